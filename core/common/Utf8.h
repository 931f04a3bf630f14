#pragma once
// UTF-8, for texts that leave the program as lines of a file (tvxtool).

#include <optional>
#include <string>
#include <string_view>

namespace tvx {

// A half of a surrogate pair without its other half becomes U+FFFD.
std::string Utf8Of(std::u16string_view text);
// Nothing when the bytes are not UTF-8: a broken or overlong sequence, a surrogate, beyond U+10FFFF.
std::optional<std::u16string> Utf16OfUtf8(std::string_view text);

}  // namespace tvx
