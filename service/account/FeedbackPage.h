#pragma once

#include <string>
#include <string_view>

namespace quillora::service {

// What the feedback form sends, and what it shows again when it is refused.
struct FeedbackEntry {
    std::string text;
    std::string email;
    bool attachLog = false;
    std::string logName;
    std::string logBytes;
};

inline constexpr std::size_t kMaxFeedbackTextBytes = 20000;
inline constexpr std::size_t kMaxFeedbackEmailBytes = 254;
inline constexpr std::size_t kMaxFeedbackLogBytes = 4 * 1024 * 1024;

// Empty text when the entry may be stored, otherwise the reason shown above
// the form: no text, a text or log too long, an address that is not one.
std::string FeedbackProblem(const FeedbackEntry& entry);

// The form page, with `problem` shown above it and the entry's text and
// address filled in again when it was refused.
std::string FeedbackFormPage(const FeedbackEntry& entry, std::string_view problem);
std::string FeedbackThanksPage();

// Text made safe to stand inside HTML elements and quoted attributes.
std::string EscapeHtml(std::string_view text);

}  // namespace quillora::service
