// The driver's texts are UTF-8, as the program's automation answers are; the wide calls it
// makes take and give UTF-16. Converted here by the system (CP_UTF8), independently of the
// program's own conversion, so that a fault there shows as a difference.
#pragma once

#include <string>
#include <string_view>

namespace hivewarden::e2e {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

}  // namespace hivewarden::e2e
