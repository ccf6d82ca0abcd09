#include "tools/tarvex/options_file.h"

#include <cstdio>
#include <map>
#include <set>
#include <stdexcept>
#include <vector>

#include "crashreport/base/options/option_catalog.h"
#include "rtl/convert.h"

namespace tarvex::tool {
namespace {

// ---- Values: text <-> field ----

std::string Trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(" \t\r");
  return std::string(s.substr(first, last - first + 1));
}

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c >= 0x20 && c < 0x7F) {
          out += c;
        } else {
          char hex[5];
          std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
          out += hex;
        }
    }
  }
  return out + "\"";
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Unquote(std::string_view value) {
  if (value.size() < 2 || value.front() != '"' || value.back() != '"')
    throw std::invalid_argument("a text must be in double quotes");
  std::string out;
  for (size_t i = 1; i + 1 < value.size(); ++i) {
    const char c = value[i];
    if (c == '"') throw std::invalid_argument("a double quote inside a text must be written \\\"");
    if (c != '\\') {
      out += c;
      continue;
    }
    if (i + 1 >= value.size() - 1) throw std::invalid_argument("a text ends in a lone \\");
    ++i;
    switch (value[i]) {
      case '\\': out += '\\'; break;
      case '"': out += '"'; break;
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'x': {
        const int high = i + 2 < value.size() ? HexDigit(value[i + 1]) : -1;
        const int low = high >= 0 ? HexDigit(value[i + 2]) : -1;
        if (low < 0) throw std::invalid_argument("\\x needs two hexadecimal digits");
        out += static_cast<char>(high * 16 + low);
        i += 2;
        break;
      }
      default: throw std::invalid_argument(std::string("unknown escape \\") + value[i]);
    }
  }
  return out;
}

int64_t ParseInteger(std::string_view text, int64_t minimum, int64_t maximum) {
  const auto value = rtl::TryStrToInt(text);
  if (!value || text.find_first_of("$xX") != std::string_view::npos || *value < minimum || *value > maximum)
    throw std::invalid_argument("'" + std::string(text) + "' is not a whole number from " + std::to_string(minimum) +
                                " to " + std::to_string(maximum));
  return *value;
}

bool ParseBool(std::string_view text) {
  if (text == "true") return true;
  if (text == "false") return false;
  throw std::invalid_argument("'" + std::string(text) + "' is neither true nor false");
}

std::string FormatBool(bool value) { return value ? "true" : "false"; }

int64_t ParseEnum(std::string_view text, std::span<const char* const> names) {
  for (size_t i = 0; i < names.size(); ++i)
    if (text == names[i]) return static_cast<int64_t>(i);
  std::string known;
  for (const char* name : names) known += (known.empty() ? "" : ", ") + std::string(name);
  if (!text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos)
    return ParseInteger(text, 0, static_cast<int64_t>(names.size()) - 1);
  throw std::invalid_argument("'" + std::string(text) + "' is not one of " + known);
}

std::string FormatEnum(int64_t value, std::span<const char* const> names) {
  return value >= 0 && static_cast<size_t>(value) < names.size() ? names[static_cast<size_t>(value)]
                                                                 : std::to_string(value);
}

uint64_t ParseSet(std::string_view text, int width, std::span<const char* const> names) {
  const uint64_t all = (uint64_t{1} << width) - 1;
  if (text == "all") return all;
  uint64_t set = 0;
  if (text.empty()) return set;
  for (size_t start = 0;;) {
    const size_t comma = text.find(',', start);
    const std::string member = Trim(text.substr(start, comma == std::string_view::npos ? comma : comma - start));
    int bit = -1;
    for (size_t i = 0; i < names.size(); ++i)
      if (names[i] != nullptr && member == names[i]) bit = static_cast<int>(i);
    if (bit < 0) {
      if (member.empty() || member.find_first_not_of("0123456789") != std::string::npos)
        throw std::invalid_argument("'" + member + "' is not a member of this set (a name or a bit number)");
      bit = static_cast<int>(ParseInteger(member, 0, width - 1));
    }
    set |= uint64_t{1} << bit;
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return set;
}

std::string FormatSet(uint64_t set, int width, std::span<const char* const> names) {
  if (width == kReportFieldCount && set == kAllReportFields) return "all";
  std::string out;
  for (int bit = 0; bit < width; ++bit) {
    if (!(set >> bit & 1)) continue;
    const auto b = static_cast<size_t>(bit);
    out += (out.empty() ? "" : ", ") + (b < names.size() && names[b] ? std::string(names[b]) : std::to_string(bit));
  }
  return out;
}

void SetField(TTarvexModuleOptions& o, const OptionFieldInfo& f, std::string_view text) {
  switch (f.kind) {
    case OptionKind::String: return f.setString(o, Unquote(text));
    case OptionKind::Bool: return f.setNumber(o, ParseBool(text));
    case OptionKind::Enum8: return f.setNumber(o, ParseEnum(text, f.valueNames));
    case OptionKind::Set8:
    case OptionKind::Set16:
    case OptionKind::Set48:
      return f.setNumber(o, static_cast<int64_t>(ParseSet(text, SetWidth(f.kind), f.valueNames)));
    default: return f.setNumber(o, ParseInteger(text, KindMinimum(f.kind), KindMaximum(f.kind, 0)));
  }
}

std::string FormatField(const TTarvexModuleOptions& o, const OptionFieldInfo& f) {
  switch (f.kind) {
    case OptionKind::String: return Quote(f.getString(o));
    case OptionKind::Bool: return FormatBool(f.getNumber(o) != 0);
    case OptionKind::Enum8: return FormatEnum(f.getNumber(o), f.valueNames);
    case OptionKind::Set8:
    case OptionKind::Set16:
    case OptionKind::Set48:
      return FormatSet(static_cast<uint64_t>(f.getNumber(o)), SetWidth(f.kind), f.valueNames);
    default: return std::to_string(f.getNumber(o));
  }
}

// ---- Keys of each section ----

std::optional<int> TextIndex(std::string_view key) {
  if (key.size() < 7 || key.substr(0, 5) != "Text[" || key.back() != ']') return std::nullopt;
  const auto index = rtl::TryStrToInt(key.substr(5, key.size() - 6));
  if (!index || *index < 0 || *index >= kMessageTextCount) return std::nullopt;
  return *index;
}

void SetOptionKey(TTarvexModuleOptions& o, const std::string& key, std::string_view value) {
  if (const OptionFieldInfo* field = FindOptionField(key)) return SetField(o, *field, value);
  if (key == "MessageBody") return o.SetMessageBody(Unquote(value));
  if (key == "TextsLanguage") return o.SetTextsLanguage(Unquote(value));
  if (const auto index = TextIndex(key)) return o.SetText(*index, Unquote(value));
  throw std::invalid_argument("unknown option '" + key + "'");
}

template <typename E, size_t N>
E ParseFilterEnum(std::string_view value, const std::array<const char*, N>& names) {
  return static_cast<E>(ParseEnum(value, names));
}

void SetFilterKey(TTarvexExceptionFilter& f, const std::string& key, std::string_view value) {
  if (key == "Enabled") f.Enabled = ParseBool(value);
  else if (key == "ClassName") f.ClassName = Unquote(value);
  else if (key == "Message") f.Message = Unquote(value);
  else if (key == "Scope") f.Scope = ParseFilterEnum<TTarvexFilterScope>(value, kFilterScopeNames);
  else if (key == "DialogChoice") f.DialogChoice = ParseFilterEnum<TTarvexFilterDialog>(value, kFilterDialogNames);
  else if (key == "Handling") f.Handling = ParseFilterEnum<TTarvexFilterHandling>(value, kFilterHandlingNames);
  else if (key == "AfterAction") f.AfterAction = ParseFilterEnum<TTarvexFilterAfterAction>(value, kFilterAfterActionNames);
  else throw std::invalid_argument("unknown filter field '" + key + "'");
}

void SetContainerKey(ContainerSettings& c, const std::string& key, std::string_view value) {
  if (key == "LeakOptionsFromMainModule") c.leakOptionsFromMainModule = ParseBool(value);
  else throw std::invalid_argument("unknown container setting '" + key + "'");
}

enum class Section { Options, Filter, Container };

}  // namespace

void ParseOptionsFile(std::string_view text, const std::string& fileName, TTarvexModuleOptions& options,
                      ContainerSettings& container) {
  OptionsUpdate update(options);
  options.ResetToDefaults();
  container = {};
  Section section = Section::Options;
  std::vector<TTarvexExceptionFilter> filters;
  std::set<std::string> seen;  // keys of the current section
  size_t lineNumber = 0;
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find('\n', start), text.size());
    const std::string line = Trim(text.substr(start, end - start));
    start = end + 1;
    ++lineNumber;
    try {
      if (line.empty() || line[0] == '#' || line[0] == ';') continue;
      if (line.front() == '[') {
        const std::map<std::string, Section> kSections = {
            {"[Options]", Section::Options}, {"[Filter]", Section::Filter}, {"[Container]", Section::Container}};
        const auto found = kSections.find(line);
        if (found == kSections.end()) throw std::invalid_argument("unknown section " + line);
        section = found->second;
        seen.clear();
        if (section == Section::Filter) filters.emplace_back();
        continue;
      }
      const size_t equals = line.find('=');
      if (equals == std::string::npos) throw std::invalid_argument("expected 'key = value'");
      const std::string key = Trim(std::string_view(line).substr(0, equals));
      const std::string value = Trim(std::string_view(line).substr(equals + 1));
      if (!seen.insert(key).second) throw std::invalid_argument("'" + key + "' is given twice");
      switch (section) {
        case Section::Options: SetOptionKey(options, key, value); break;
        case Section::Filter: SetFilterKey(filters.back(), key, value); break;
        case Section::Container: SetContainerKey(container, key, value); break;
      }
    } catch (const std::invalid_argument& e) {
      throw std::runtime_error(fileName + ":" + std::to_string(lineNumber) + ": " + e.what());
    }
  }
  for (TTarvexExceptionFilter& filter : filters) options.Filters().Add(std::move(filter));
}

std::string FormatOptionsFile(const TTarvexModuleOptions& options, const ContainerSettings& container, bool all) {
  const TTarvexModuleOptions defaults;
  std::string out;
  auto line = [&out](const std::string& key, const std::string& value) {
    out += key + " =" + (value.empty() ? "" : " " + value) + "\n";
  };
  out += "[Options]\n";
  for (const OptionFieldInfo& field : OptionFields()) {
    const std::string value = FormatField(options, field);
    if (all || value != FormatField(defaults, field)) line(field.name, value);
  }
  if (all || options.MessageBody() != defaults.MessageBody()) line("MessageBody", Quote(options.MessageBody()));
  for (int i = 0; i < kMessageTextCount; ++i)
    if (all || options.Text(i) != defaults.Text(i)) line("Text[" + std::to_string(i) + "]", Quote(options.Text(i)));
  if (all || options.TextsLanguage() != defaults.TextsLanguage()) line("TextsLanguage", Quote(options.TextsLanguage()));
  for (const TTarvexExceptionFilter& f : options.Filters()) {
    out += "\n[Filter]\n";
    line("Enabled", FormatBool(f.Enabled));
    line("ClassName", Quote(f.ClassName));
    line("Message", Quote(f.Message));
    line("Scope", FormatEnum(f.Scope, kFilterScopeNames));
    line("DialogChoice", FormatEnum(f.DialogChoice, kFilterDialogNames));
    line("Handling", FormatEnum(f.Handling, kFilterHandlingNames));
    line("AfterAction", FormatEnum(f.AfterAction, kFilterAfterActionNames));
  }
  if (all || container != ContainerSettings{}) {
    out += "\n[Container]\n";
    line("LeakOptionsFromMainModule", FormatBool(container.leakOptionsFromMainModule));
  }
  return out;
}

}  // namespace tarvex::tool
