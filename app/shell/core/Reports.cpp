#include "app/shell/core/Reports.h"

namespace quillora::shell {

namespace {
ReporterFactory& Factory() {
    static ReporterFactory factory;
    return factory;
}
MachineCodeSource& CodeSource() {
    static MachineCodeSource source;
    return source;
}
}  // namespace

void SetReporterFactory(ReporterFactory factory) {
    Factory() = std::move(factory);
}

std::unique_ptr<StartupReporter> MakeReporter() {
    return Factory() ? Factory()() : nullptr;
}

void SetMachineCodeSource(MachineCodeSource source) {
    CodeSource() = std::move(source);
}

QString MachineCode() {
    return CodeSource() ? CodeSource()() : QString();
}

}  // namespace quillora::shell
