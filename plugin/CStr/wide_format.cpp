#include "plugin/CStr/wide_format.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "plugin/CStr/cstr.h"

namespace brightwell {

namespace {

enum class Length { None, Char, Short, Long, LongLong, Size, Max, PtrDiff, LongDouble, Wide };

struct Spec {
  std::string flags;
  int width = -1;  // -1: none
  int precision = -1;
  bool leftAlign = false;
  Length length = Length::None;
  char16_t conversion = 0;
};

// A narrow printf of one numeric conversion, widened.
template <typename T>
std::u16string numeric(const Spec& spec, char conversion, const char* lengthText, T value) {
  std::string fmt = "%" + spec.flags;
  if (spec.width >= 0) fmt += std::to_string(spec.width);
  if (spec.precision >= 0) fmt += "." + std::to_string(spec.precision);
  fmt += lengthText;
  fmt += conversion;
  int n = std::snprintf(nullptr, 0, fmt.c_str(), value);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), fmt.c_str(), value);
  out.resize(static_cast<size_t>(n));
  return widen(out);
}

std::u16string padded(const Spec& spec, std::u16string text) {
  if (spec.width > 0 && text.size() < static_cast<size_t>(spec.width)) {
    std::u16string pad(static_cast<size_t>(spec.width) - text.size(), u' ');
    text = spec.leftAlign ? text + pad : pad + text;
  }
  return text;
}

std::u16string wideString(const Spec& spec, const char16_t* s) {
  std::u16string_view text = s ? std::u16string_view(s) : std::u16string_view(u"(null)");
  if (spec.precision >= 0 && text.size() > static_cast<size_t>(spec.precision))
    text = text.substr(0, static_cast<size_t>(spec.precision));
  return padded(spec, std::u16string(text));
}

std::u16string narrowString(const Spec& spec, const char* s) {
  std::string_view text = s ? std::string_view(s) : std::string_view("(null)");
  if (spec.precision >= 0 && text.size() > static_cast<size_t>(spec.precision))
    text = text.substr(0, static_cast<size_t>(spec.precision));
  // 8-bit texts of the plug-in are ASCII or Latin-1.
  std::u16string wide;
  for (char c : text) wide += static_cast<char16_t>(static_cast<unsigned char>(c));
  return padded(spec, wide);
}

std::u16string integer(const Spec& spec, char conversion, va_list& args) {
  bool isSigned = conversion == 'd' || conversion == 'i';
  switch (spec.length) {
    case Length::Long:
      return isSigned ? numeric(spec, conversion, "l", va_arg(args, long))
                      : numeric(spec, conversion, "l", va_arg(args, unsigned long));
    case Length::LongLong:
      return isSigned ? numeric(spec, conversion, "ll", va_arg(args, long long))
                      : numeric(spec, conversion, "ll", va_arg(args, unsigned long long));
    case Length::Size:
    case Length::PtrDiff:
    case Length::Max:
      return isSigned ? numeric(spec, conversion, "ll", static_cast<long long>(va_arg(args, intptr_t)))
                      : numeric(spec, conversion, "ll", static_cast<unsigned long long>(va_arg(args, uintptr_t)));
    case Length::Char:
      return isSigned ? numeric(spec, conversion, "hh", va_arg(args, int))
                      : numeric(spec, conversion, "hh", va_arg(args, unsigned));
    case Length::Short:
      return isSigned ? numeric(spec, conversion, "h", va_arg(args, int))
                      : numeric(spec, conversion, "h", va_arg(args, unsigned));
    default:
      return isSigned ? numeric(spec, conversion, "", va_arg(args, int))
                      : numeric(spec, conversion, "", va_arg(args, unsigned));
  }
}

}  // namespace

std::u16string formatWide(const char16_t* format, va_list args) {
  std::u16string out;
  if (format == nullptr) return out;
  va_list ap;
  va_copy(ap, args);
  for (const char16_t* p = format; *p;) {
    if (*p != u'%') {
      out += *p++;
      continue;
    }
    const char16_t* start = p++;
    Spec spec;
    while (*p == u'-' || *p == u'+' || *p == u' ' || *p == u'#' || *p == u'0') {
      if (*p == u'-') spec.leftAlign = true;
      spec.flags += static_cast<char>(*p++);
    }
    if (*p == u'*') {
      spec.width = va_arg(ap, int);
      if (spec.width < 0) {
        spec.leftAlign = true;
        spec.flags += '-';
        spec.width = -spec.width;
      }
      ++p;
    } else {
      for (spec.width = *p >= u'0' && *p <= u'9' ? 0 : -1; *p >= u'0' && *p <= u'9'; ++p)
        spec.width = std::min(spec.width * 10 + (*p - u'0'), 1 << 20);
    }
    if (*p == u'.') {
      ++p;
      if (*p == u'*') {
        spec.precision = va_arg(ap, int);
        ++p;
      } else {
        for (spec.precision = 0; *p >= u'0' && *p <= u'9'; ++p)
          spec.precision = std::min(spec.precision * 10 + (*p - u'0'), 1 << 20);
      }
    }
    if (p[0] == u'h' && p[1] == u'h') spec.length = Length::Char, p += 2;
    else if (p[0] == u'l' && p[1] == u'l') spec.length = Length::LongLong, p += 2;
    else if (p[0] == u'I' && p[1] == u'6' && p[2] == u'4') spec.length = Length::LongLong, p += 3;
    else if (p[0] == u'I' && p[1] == u'3' && p[2] == u'2') p += 3;
    else if (*p == u'h') spec.length = Length::Short, ++p;
    else if (*p == u'l') spec.length = Length::Long, ++p;
    else if (*p == u'w') spec.length = Length::Wide, ++p;
    else if (*p == u'z' || *p == u'I') spec.length = Length::Size, ++p;
    else if (*p == u'j') spec.length = Length::Max, ++p;
    else if (*p == u't') spec.length = Length::PtrDiff, ++p;
    else if (*p == u'L') spec.length = Length::LongDouble, ++p;
    char16_t c = *p;
    if (c == 0) {  // a cut specification is written as it stands
      out.append(start, p);
      break;
    }
    ++p;
    switch (c) {
      case u'%': out += u'%'; break;
      case u'd': case u'i': case u'u': case u'o': case u'x': case u'X':
        out += integer(spec, static_cast<char>(c), ap);
        break;
      case u'c': case u'C': {
        int ch = va_arg(ap, int);
        if (c == u'C' || spec.length == Length::Short) ch &= 0xFF;
        out += padded(spec, std::u16string(1, static_cast<char16_t>(ch)));
        break;
      }
      case u's':
        if (spec.length == Length::Short) out += narrowString(spec, va_arg(ap, const char*));
        else out += wideString(spec, va_arg(ap, const char16_t*));
        break;
      case u'S':
        if (spec.length == Length::Long || spec.length == Length::Wide)
          out += wideString(spec, va_arg(ap, const char16_t*));
        else out += narrowString(spec, va_arg(ap, const char*));
        break;
      case u'p': out += numeric(spec, 'p', "", va_arg(ap, void*)); break;
      case u'e': case u'E': case u'f': case u'F': case u'g': case u'G': case u'a': case u'A':
        if (spec.length == Length::LongDouble) out += numeric(spec, static_cast<char>(c), "L", va_arg(ap, long double));
        else out += numeric(spec, static_cast<char>(c), "", va_arg(ap, double));
        break;
      case u'n': (void)va_arg(ap, void*); break;  // never writes through the pointer
      default: out.append(start, p); break;        // unknown: written as it stands
    }
  }
  va_end(ap);
  return out;
}

std::u16string formatWideText(const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::u16string text = formatWide(format, args);
  va_end(args);
  return text;
}

}  // namespace brightwell
