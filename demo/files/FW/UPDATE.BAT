@echo off
echo This is where a firmware update tool would run.
