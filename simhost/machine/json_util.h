// Reading the machine's JSON files with errors that name the file and the field.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

namespace simhost {

// Parses JSON text; the error names the text's file and what is wrong
// (malformed, or a number no field can hold).
bool parseJsonText(const std::string& text, const std::string& name, nlohmann::json* json, std::string* error);

// Parses a JSON file; the error names the file and what is wrong.
bool loadJsonFile(const std::string& path, nlohmann::json* json, std::string* error);
bool saveJsonFile(const std::string& path, const nlohmann::json& json, std::string* error);

// A number given as a JSON number or as a text ("0x26", "38").
bool parseNumber(const std::string& text, uint64_t* value);
bool jsonNumber(const nlohmann::json& value, uint64_t* out);

// "0x%0*X" of a value, for numbers the files keep in hexadecimal.
std::string hexText(uint64_t value, int digits);

// "4.0.593" <-> the packed version word major << 24 | minor << 16 | build.
bool parseVersionWord(const std::string& text, uint32_t* word);
std::string versionWordText(uint32_t word);

}  // namespace simhost
