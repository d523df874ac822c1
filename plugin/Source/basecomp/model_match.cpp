#include "plugin/Source/basecomp/model_match.h"

#include "plugin/CStr/cstr.h"

namespace brightwell {

namespace {

constexpr size_t kModelChars = 254;

std::u16string_view normalized(std::u16string_view model) {
  model = model.substr(0, kModelChars);
  while (!model.empty() && (model.back() == u'\t' || model.back() == u'\n' || model.back() == u'\r' ||
                            model.back() == u' '))
    model.remove_suffix(1);
  return model;
}

}  // namespace

bool modelsMatch(std::u16string_view listed, std::u16string_view machine) {
  return equalsNoCase(normalized(listed), normalized(machine));
}

}  // namespace brightwell
