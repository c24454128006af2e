#include "service/account/FeedbackPage.h"

namespace quillora::service {
namespace {

constexpr std::string_view kStyle = R"(
body{margin:0;font-family:Inter,"Segoe UI",sans-serif;color:#1D2433;background:#F5F6F8}
main{max-width:560px;margin:32px auto;padding:32px;background:#FFFFFF;border:1px solid #E3E6EB;border-radius:6px}
h1{margin:0 0 8px;font-size:22px;font-weight:600}
p.lead{margin:0 0 24px;color:#5B6475;font-size:14px}
label{display:block;margin:16px 0 8px;font-size:14px;font-weight:600}
textarea,input[type=email]{box-sizing:border-box;width:100%;padding:8px 12px;font:inherit;font-size:14px;border:1px solid #D5D9E0;border-radius:6px;background:#FFFFFF;color:#1D2433}
textarea{min-height:160px;resize:vertical}
textarea:focus,input[type=email]:focus{outline:none;border-color:#2244BB}
.check{display:flex;align-items:center;gap:8px;margin:16px 0 8px;font-size:14px}
.check label{display:inline;margin:0;font-weight:400}
.hint{color:#8A92A3;font-size:13px;margin:4px 0 0}
input[type=file]{font:inherit;font-size:13px;color:#5B6475}
input[type=file]:disabled{opacity:.5}
.problem{margin:0 0 16px;padding:8px 12px;border-radius:6px;background:#FDECEC;color:#C93B40;font-size:14px}
button{margin-top:24px;padding:8px 24px;font:inherit;font-size:14px;font-weight:600;color:#FFFFFF;background:#2244BB;border:0;border-radius:6px;cursor:pointer}
button:hover{background:#2D52D1}
)";

std::string PageHead(std::string_view title) {
    std::string page =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
        "<meta name=\"viewport\" content=\"width=device-width\"><title>";
    page += EscapeHtml(title);
    page += "</title><style>";
    page += kStyle;
    page += "</style></head><body><main>\n";
    return page;
}

bool LooksLikeAddress(std::string_view email) {
    const std::size_t at = email.find('@');
    if (at == std::string_view::npos || at == 0 || at + 1 >= email.size() ||
        email.find('@', at + 1) != std::string_view::npos) {
        return false;
    }
    for (const char c : email) {
        if (static_cast<unsigned char>(c) <= ' ' || c == '<' || c == '>' || c == '"') {
            return false;
        }
    }
    const std::size_t dot = email.find('.', at + 1);
    return dot != std::string_view::npos && dot > at + 1 && dot + 1 < email.size();
}

bool OnlyBlank(std::string_view text) {
    return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

}  // namespace

std::string EscapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out.push_back(c);
        }
    }
    return out;
}

std::string FeedbackProblem(const FeedbackEntry& entry) {
    if (OnlyBlank(entry.text)) {
        return "Please describe what happened or what you would like.";
    }
    if (entry.text.size() > kMaxFeedbackTextBytes) {
        return "Your message is too long; please keep it under 20,000 characters.";
    }
    if (!entry.email.empty() &&
        (entry.email.size() > kMaxFeedbackEmailBytes || !LooksLikeAddress(entry.email))) {
        return "The e-mail address does not look right.";
    }
    if (entry.attachLog && entry.logBytes.size() > kMaxFeedbackLogBytes) {
        return "The log file is larger than 4 MB.";
    }
    return {};
}

std::string FeedbackFormPage(const FeedbackEntry& entry, std::string_view problem) {
    std::string page = PageHead("Feedback");
    page +=
        "<h1>Send us your feedback</h1>\n"
        "<p class=\"lead\">Tell us what went wrong or what would make Quillora better. "
        "We read every message.</p>\n";
    if (!problem.empty()) {
        page += "<p class=\"problem\" id=\"problem\">" + EscapeHtml(problem) + "</p>\n";
    }
    page +=
        "<form method=\"post\" action=\"/feedback\" enctype=\"multipart/form-data\">\n"
        "<label for=\"text\">Your message</label>\n"
        "<textarea id=\"text\" name=\"text\" required maxlength=\"20000\">";
    page += EscapeHtml(entry.text);
    page +=
        "</textarea>\n"
        "<label for=\"email\">E-mail address (optional)</label>\n"
        "<input type=\"email\" id=\"email\" name=\"email\" maxlength=\"254\" value=\"";
    page += EscapeHtml(entry.email);
    page +=
        "\">\n<p class=\"hint\">Only if you would like an answer.</p>\n"
        "<div class=\"check\"><input type=\"checkbox\" id=\"attach_log\" name=\"attach_log\" "
        "value=\"1\"";
    page += entry.attachLog ? " checked" : "";
    page +=
        "><label for=\"attach_log\">Attach the program's log</label></div>\n"
        "<input type=\"file\" id=\"log\" name=\"log\" accept=\".dat,.txt,.log\">\n"
        "<p class=\"hint\">The log is the file run.dat in Quillora's data folder "
        "(~/.local/share/Quillora). It lists what the program did, never your photos.</p>\n"
        "<button type=\"submit\" id=\"send\">Send feedback</button>\n"
        "</form>\n<script>\n"
        "const attach = document.getElementById('attach_log');\n"
        "const log = document.getElementById('log');\n"
        "const follow = () => { log.disabled = !attach.checked; };\n"
        "attach.addEventListener('change', follow); follow();\n"
        "</script>\n</main></body></html>\n";
    return page;
}

std::string FeedbackThanksPage() {
    std::string page = PageHead("Feedback");
    page +=
        "<h1 id=\"thanks\">Thank you</h1>\n"
        "<p class=\"lead\">Your feedback has been sent. You can close this window.</p>\n"
        "</main></body></html>\n";
    return page;
}

}  // namespace quillora::service
