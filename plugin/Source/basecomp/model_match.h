// Machine models as the dependency list compares them: both texts cut to
// 254 characters and stripped of trailing tabs, line ends and blanks, then
// compared without regard to case.
#pragma once

#include <string_view>

namespace brightwell {

bool modelsMatch(std::u16string_view listed, std::u16string_view machine);

}  // namespace brightwell
