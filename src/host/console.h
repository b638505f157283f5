// The process's terminal: whether standard input and standard error are
// terminals (for prompts and progress) on this platform.
#pragma once

namespace ssdfwu {

bool StandardInputIsTerminal();
bool StandardErrorIsTerminal();

}  // namespace ssdfwu
