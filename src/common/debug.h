// The two debug helpers: everything the core has to say for diagnosis goes
// to the host's debug channel through them.
#pragma once

namespace ssdfwu {

// Formats printf-style into a 1,024-byte buffer and sends the text.
void DebugPrintf(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Sends one text followed by a line feed, formatted into a 260-byte buffer.
void DebugLine(const char* text);

}  // namespace ssdfwu
