#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>
#include <memory>

#include "canvas/document/Colour.h"
#include "canvas/document/ParameterGroups.h"
#include "matting/config/ServiceFields.h"
#include "matting/worker/MattingWorker.h"

// The command-line batch: photos cut out through the matting service and
// saved like the batch page's whole-batch save (background, size preset,
// names), without any window.
namespace quillora::batch {

inline constexpr char kCutoutSwitch[] = "--cutout";

// Exit status: every photo saved, some failed, the command line is wrong.
inline constexpr int kExitAllSaved = 0;
inline constexpr int kExitSomeFailed = 1;
inline constexpr int kExitUsage = 2;

struct CutoutCommand {
    QStringList photos;
    QString output;
    bool person = false;  // --kind person
    canvas::BackgroundKind background = canvas::BackgroundKind::None;
    canvas::Argb colour = 0;  // opaque, for the colour kind
    QString picturePath;      // for the picture kind
    int sizePreset = -1;      // -1: no crop
    bool help = false;
    QString error;  // set when the command line cannot be used
};

// True when the program's arguments (without its own path) ask for the
// command-line batch.
bool IsCutoutCommand(const QStringList& arguments);

// Reads "--cutout PHOTO... --output DIR [--kind object|person]
// [--background COLOUR|IMAGE] [--size PRESET]". A background naming an
// existing file is a picture, otherwise a colour ("#RRGGBB" or a colour
// name). A size is a preset number 0..17, a ratio such as "3:2", or an
// identity-photo size such as "413x579".
CutoutCommand ParseCutoutCommand(const QStringList& arguments);

// The size preset a --size value stands for; -1 when none does.
int ParseSizePreset(const QString& text);

const char* CutoutUsage();

// Runs a parsed command: each photo through a matting worker whose data
// folder is a private temporary one, each cut-out composed and written as
// the whole-batch save does. One line per photo on out in the order given,
// a progress bar on out while it is a terminal, then the summary; returns
// the exit status.
int RunCutoutCommand(const CutoutCommand& command, std::shared_ptr<matting::ServiceFields> fields,
                     matting::MattingWorkerSettings settings, bool timestampOnCollision,
                     std::FILE* out, std::FILE* err);

// The program's entry for the command-line batch: reads the settings and
// the service configuration as the program does at start, then runs the
// command. A QCoreApplication must exist.
int RunCutoutCommandLine(const QStringList& arguments, const QString& versionText);

}  // namespace quillora::batch
