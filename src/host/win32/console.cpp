#include <io.h>
#include <stdio.h>

#include "host/console.h"

namespace ssdfwu {

bool StandardInputIsTerminal() {
  return _isatty(_fileno(stdin)) != 0;
}
bool StandardErrorIsTerminal() {
  return _isatty(_fileno(stderr)) != 0;
}

}  // namespace ssdfwu
