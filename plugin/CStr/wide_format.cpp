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

struct Field {
  std::string flags;
  int width = -1;  // -1: none
  int precision = -1;
  bool leftAlign = false;
  Length length = Length::None;
  char16_t conversion = 0;
};

// A narrow printf of one numeric conversion, widened.
template <typename T>
std::u16string numeric(const Field& field, char conversion, const char* lengthText, T value) {
  std::string fmt = "%" + field.flags;
  if (field.width >= 0) fmt += std::to_string(field.width);
  if (field.precision >= 0) fmt += "." + std::to_string(field.precision);
  fmt += lengthText;
  fmt += conversion;
  int n = std::snprintf(nullptr, 0, fmt.c_str(), value);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), fmt.c_str(), value);
  out.resize(static_cast<size_t>(n));
  return widen(out);
}

std::u16string padded(const Field& field, std::u16string text) {
  if (field.width > 0 && text.size() < static_cast<size_t>(field.width)) {
    std::u16string pad(static_cast<size_t>(field.width) - text.size(), u' ');
    text = field.leftAlign ? text + pad : pad + text;
  }
  return text;
}

std::u16string wideString(const Field& field, const char16_t* s) {
  std::u16string_view text = s ? std::u16string_view(s) : std::u16string_view(u"(null)");
  if (field.precision >= 0 && text.size() > static_cast<size_t>(field.precision))
    text = text.substr(0, static_cast<size_t>(field.precision));
  return padded(field, std::u16string(text));
}

std::u16string narrowString(const Field& field, const char* s) {
  std::string_view text = s ? std::string_view(s) : std::string_view("(null)");
  if (field.precision >= 0 && text.size() > static_cast<size_t>(field.precision))
    text = text.substr(0, static_cast<size_t>(field.precision));
  // 8-bit texts of the plug-in are ASCII or Latin-1.
  std::u16string wide;
  for (char c : text) wide += static_cast<char16_t>(static_cast<unsigned char>(c));
  return padded(field, wide);
}

std::u16string integer(const Field& field, char conversion, va_list& args) {
  bool isSigned = conversion == 'd' || conversion == 'i';
  switch (field.length) {
    case Length::Long:
      return isSigned ? numeric(field, conversion, "l", va_arg(args, long))
                      : numeric(field, conversion, "l", va_arg(args, unsigned long));
    case Length::LongLong:
      return isSigned ? numeric(field, conversion, "ll", va_arg(args, long long))
                      : numeric(field, conversion, "ll", va_arg(args, unsigned long long));
    case Length::Size:
    case Length::PtrDiff:
    case Length::Max:
      return isSigned ? numeric(field, conversion, "ll", static_cast<long long>(va_arg(args, intptr_t)))
                      : numeric(field, conversion, "ll", static_cast<unsigned long long>(va_arg(args, uintptr_t)));
    case Length::Char:
      return isSigned ? numeric(field, conversion, "hh", va_arg(args, int))
                      : numeric(field, conversion, "hh", va_arg(args, unsigned));
    case Length::Short:
      return isSigned ? numeric(field, conversion, "h", va_arg(args, int))
                      : numeric(field, conversion, "h", va_arg(args, unsigned));
    default:
      return isSigned ? numeric(field, conversion, "", va_arg(args, int))
                      : numeric(field, conversion, "", va_arg(args, unsigned));
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
    Field field;
    while (*p == u'-' || *p == u'+' || *p == u' ' || *p == u'#' || *p == u'0') {
      if (*p == u'-') field.leftAlign = true;
      field.flags += static_cast<char>(*p++);
    }
    if (*p == u'*') {
      field.width = va_arg(ap, int);
      if (field.width < 0) {
        field.leftAlign = true;
        field.flags += '-';
        field.width = -field.width;
      }
      ++p;
    } else {
      for (field.width = *p >= u'0' && *p <= u'9' ? 0 : -1; *p >= u'0' && *p <= u'9'; ++p)
        field.width = std::min(field.width * 10 + (*p - u'0'), 1 << 20);
    }
    if (*p == u'.') {
      ++p;
      if (*p == u'*') {
        field.precision = va_arg(ap, int);
        ++p;
      } else {
        for (field.precision = 0; *p >= u'0' && *p <= u'9'; ++p)
          field.precision = std::min(field.precision * 10 + (*p - u'0'), 1 << 20);
      }
    }
    if (p[0] == u'h' && p[1] == u'h') field.length = Length::Char, p += 2;
    else if (p[0] == u'l' && p[1] == u'l') field.length = Length::LongLong, p += 2;
    else if (p[0] == u'I' && p[1] == u'6' && p[2] == u'4') field.length = Length::LongLong, p += 3;
    else if (p[0] == u'I' && p[1] == u'3' && p[2] == u'2') p += 3;
    else if (*p == u'h') field.length = Length::Short, ++p;
    else if (*p == u'l') field.length = Length::Long, ++p;
    else if (*p == u'w') field.length = Length::Wide, ++p;
    else if (*p == u'z' || *p == u'I') field.length = Length::Size, ++p;
    else if (*p == u'j') field.length = Length::Max, ++p;
    else if (*p == u't') field.length = Length::PtrDiff, ++p;
    else if (*p == u'L') field.length = Length::LongDouble, ++p;
    char16_t c = *p;
    if (c == 0) {  // a cut conversion is written as it stands
      out.append(start, p);
      break;
    }
    ++p;
    switch (c) {
      case u'%': out += u'%'; break;
      case u'd': case u'i': case u'u': case u'o': case u'x': case u'X':
        out += integer(field, static_cast<char>(c), ap);
        break;
      case u'c': case u'C': {
        int ch = va_arg(ap, int);
        if (c == u'C' || field.length == Length::Short) ch &= 0xFF;
        out += padded(field, std::u16string(1, static_cast<char16_t>(ch)));
        break;
      }
      case u's':
        if (field.length == Length::Short) out += narrowString(field, va_arg(ap, const char*));
        else out += wideString(field, va_arg(ap, const char16_t*));
        break;
      case u'S':
        if (field.length == Length::Long || field.length == Length::Wide)
          out += wideString(field, va_arg(ap, const char16_t*));
        else out += narrowString(field, va_arg(ap, const char*));
        break;
      case u'p': out += numeric(field, 'p', "", va_arg(ap, void*)); break;
      case u'e': case u'E': case u'f': case u'F': case u'g': case u'G': case u'a': case u'A':
        if (field.length == Length::LongDouble) out += numeric(field, static_cast<char>(c), "L", va_arg(ap, long double));
        else out += numeric(field, static_cast<char>(c), "", va_arg(ap, double));
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
