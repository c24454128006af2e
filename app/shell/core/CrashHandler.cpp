#include "app/shell/core/CrashHandler.h"

#include <QFile>

#include <array>
#include <csignal>
#include <cstring>

#include <execinfo.h>
#include <fcntl.h>
#include <unistd.h>

extern char** environ;

namespace quillora::shell {

namespace {

constexpr size_t kPathBytes = 4096;
constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int kMaxFrames = 64;
constexpr size_t kMaxEnvironment = 1024;
constexpr size_t kAltStackBytes = 64 * 1024;

// Everything the handler reads is fixed before a crash can happen.
char gReportPath[kPathBytes];
char gExecutablePath[kPathBytes];
volatile sig_atomic_t gRestartAllowed = 1;
volatile sig_atomic_t gNoRestart = 0;
volatile sig_atomic_t gRestartArmed = 1;
volatile sig_atomic_t gInHandler = 0;
char gCrashVariable[128];
char* gEnvironment[kMaxEnvironment + 2];

bool CopyPath(const QString& path, char (&target)[kPathBytes]) {
    const QByteArray bytes = QFile::encodeName(path);
    if (bytes.isEmpty() || static_cast<size_t>(bytes.size()) >= kPathBytes) {
        return false;
    }
    std::memcpy(target, bytes.constData(), static_cast<size_t>(bytes.size()) + 1);
    return true;
}

void WriteText(int fd, const char* text) {
    size_t length = std::strlen(text);
    while (length > 0) {
        const ssize_t n = ::write(fd, text, length);
        if (n <= 0) {
            return;
        }
        text += n;
        length -= static_cast<size_t>(n);
    }
}

// Digits of `value` in `base`, written at the end of `buffer`; returns the start.
char* FormatUnsigned(unsigned long long value, unsigned base, char* end) {
    *--end = '\0';
    do {
        *--end = "0123456789abcdef"[value % base];
        value /= base;
    } while (value != 0);
    return end;
}

const char* SignalName(int signal) {
    switch (signal) {
        case SIGSEGV:
            return "SIGSEGV";
        case SIGBUS:
            return "SIGBUS";
        case SIGFPE:
            return "SIGFPE";
        case SIGILL:
            return "SIGILL";
        case SIGABRT:
            return "SIGABRT";
        default:
            return "signal";
    }
}

// NAME=<signal>:<hex address>
void FormatCrashVariable(int signal, const void* address) {
    char digits[32];
    char* p = gCrashVariable;
    const auto append = [&p](const char* text) {
        const size_t room = sizeof gCrashVariable - 1 - static_cast<size_t>(p - gCrashVariable);
        const size_t n = std::min(std::strlen(text), room);
        std::memcpy(p, text, n);
        p += n;
    };
    append(kCrashVariable);
    append("=");
    append(FormatUnsigned(static_cast<unsigned>(signal), 10, digits + sizeof digits));
    append(":");
    append(FormatUnsigned(reinterpret_cast<quintptr>(address), 16, digits + sizeof digits));
    *p = '\0';
}

void Restart(int signal, const void* address) {
    FormatCrashVariable(signal, address);
    const size_t nameLength = std::strlen(kCrashVariable);
    size_t count = 0;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        if (count == kMaxEnvironment) {
            break;
        }
        if (std::strncmp(*entry, kCrashVariable, nameLength) == 0 && (*entry)[nameLength] == '=') {
            continue;
        }
        gEnvironment[count++] = *entry;
    }
    gEnvironment[count++] = gCrashVariable;
    gEnvironment[count] = nullptr;
    // The new image keeps the signal mask: let the restarted program crash
    // normally again.
    sigset_t all;
    sigemptyset(&all);
    for (int fatal : kFatalSignals) {
        sigaddset(&all, fatal);
    }
    sigprocmask(SIG_UNBLOCK, &all, nullptr);
    char* const argv[] = {gExecutablePath, nullptr};
    execve(gExecutablePath, argv, gEnvironment);
}

void OnFatalSignal(int signal, siginfo_t* info, void*) {
    if (gInHandler == 0) {
        gInHandler = 1;
        const void* address = info != nullptr ? info->si_addr : nullptr;
        const int fd = ::open(gReportPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd >= 0) {
            WriteCrashReport(fd, signal, address);
            ::close(fd);
        }
        if (gRestartAllowed != 0 && gNoRestart == 0 && gRestartArmed != 0 &&
            gExecutablePath[0] != '\0') {
            Restart(signal, address);
        }
    }
    // No restart (or it failed): end the way the signal would have ended us.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
    _exit(128 + signal);
}

}  // namespace

void WriteCrashReport(int fd, int signal, const void* address) {
    char digits[32];
    WriteText(fd, "Quillora crash report\nsignal: ");
    WriteText(fd, FormatUnsigned(static_cast<unsigned>(signal), 10, digits + sizeof digits));
    WriteText(fd, " (");
    WriteText(fd, SignalName(signal));
    WriteText(fd, ")\naddress: 0x");
    WriteText(fd, FormatUnsigned(reinterpret_cast<quintptr>(address), 16, digits + sizeof digits));
    WriteText(fd, "\npid: ");
    WriteText(fd, FormatUnsigned(static_cast<unsigned>(getpid()), 10, digits + sizeof digits));
    WriteText(fd, "\nbacktrace:\n");
    void* frames[kMaxFrames];
    const int count = backtrace(frames, kMaxFrames);
    backtrace_symbols_fd(frames, count, fd);
}

bool InstallCrashHandler(const CrashHandlerSetup& setup) {
    if (!CopyPath(setup.reportPath, gReportPath)) {
        return false;
    }
    if (!CopyPath(setup.executablePath, gExecutablePath)) {
        gExecutablePath[0] = '\0';
    }
    gRestartAllowed = setup.restartAllowed ? 1 : 0;
    // backtrace() loads its unwinder on first use; do that now, not in the handler.
    void* warmUp[1];
    backtrace(warmUp, 1);

    static std::array<char, kAltStackBytes> alternateStack;
    stack_t stack{};
    stack.ss_sp = alternateStack.data();
    stack.ss_size = alternateStack.size();
    sigaltstack(&stack, nullptr);

    struct sigaction action {};
    action.sa_sigaction = &OnFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    bool installed = true;
    for (int signal : kFatalSignals) {
        installed = sigaction(signal, &action, nullptr) == 0 && installed;
    }
    return installed;
}

void SetCrashRestartAllowed(bool allowed) {
    gRestartAllowed = allowed ? 1 : 0;
}

void SetNoRestart(bool noRestart) {
    gNoRestart = noRestart ? 1 : 0;
}

bool NoRestart() {
    return gNoRestart != 0;
}

void SetRestartArmed(bool armed) {
    gRestartArmed = armed ? 1 : 0;
}

std::optional<CrashInfo> ParseCrashInfo(const QByteArray& value) {
    const qsizetype colon = value.indexOf(':');
    if (colon <= 0) {
        return std::nullopt;
    }
    bool signalOk = false;
    bool addressOk = false;
    CrashInfo info;
    info.signal = value.left(colon).toInt(&signalOk, 10);
    info.address = static_cast<quintptr>(value.mid(colon + 1).toULongLong(&addressOk, 16));
    if (!signalOk || !addressOk || info.signal <= 0) {
        return std::nullopt;
    }
    return info;
}

std::optional<CrashInfo> TakeCrashInfo() {
    if (!qEnvironmentVariableIsSet(kCrashVariable)) {
        return std::nullopt;
    }
    const QByteArray value = qgetenv(kCrashVariable);
    qunsetenv(kCrashVariable);
    return ParseCrashInfo(value);
}

}  // namespace quillora::shell
