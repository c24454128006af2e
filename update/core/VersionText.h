#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillora::update {

// Compares two dotted version texts part by part as decimal numbers: -1 when
// a is older, 0 when equal, 1 when a is newer. A part is read from its leading
// digits (0 when none, at most 31 characters); when one text runs out, the
// other is newer exactly when one of its remaining parts is above 0, so "1.2"
// equals "1.2.0.0" and "1.2.0.1" is newer than both.
int CompareVersion(std::string_view a, std::string_view b);

// The value of `name` in a version answer: the first occurrence of the name
// (case-sensitive), any one character, "<#", the value, "#>". Empty when the
// name is missing, "<#" does not follow after exactly one character, or the
// closing "#>" is missing.
std::string GetTaggedValue(std::string_view text, std::string_view name);

// The text without its line feeds, carriage returns and tabs.
std::string StripLineBreaks(std::string_view text);

// The version of a "version=<number>" answer (line breaks and tabs removed
// first); nullopt when the answer does not begin with "version=".
std::optional<std::string> VersionAfterPrefix(std::string_view answer);

// One entry of the release list.
struct ReleaseEntry {
    std::string version;
    std::string date;
    std::vector<std::string> lines;
};

// Longest release list taken in; a longer one is refused as a whole.
inline constexpr std::size_t kMaxReleaseListBytes = std::size_t{1} << 20;

// Parses the release list (a JSON array of {"version", "date", "content"}).
// nullopt for text that is not JSON, is not an array, or is too long.
// Elements that are not objects are skipped; missing or mistyped members read
// as empty.
std::optional<std::vector<ReleaseEntry>> ParseReleaseList(std::string_view json);

// The release notes of every entry newer than `runningVersion` (taken as
// "1.0.0.0" when empty), in list order: "- <version> (<date>)", a line break,
// the content lines joined by line breaks; entries separated by one empty line.
std::string BuildReleaseNotes(const std::vector<ReleaseEntry>& entries,
                              std::string_view runningVersion);

// Splits "a=1;b=2" into its entries and finds the value of `name` (exact
// match after blanks at either end are dropped, first entry wins); empty when
// absent.
std::string ConfigValue(std::string_view config, std::string_view name);

}  // namespace quillora::update
