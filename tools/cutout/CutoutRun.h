#pragma once

#include <QString>
#include <QStringList>

#include <memory>

#include "matting/config/ServiceFields.h"
#include "matting/worker/MattingWorker.h"

namespace quillora::cutout {

struct CutoutOutcome {
    int succeeded = 0;
    int failed = 0;
};

// Sends every photo through a matting worker whose data folder is a private
// temporary one (a running program's own cut-outs are never touched) and
// writes each cut-out as outputFolder/<base name>.png through a temporary
// file. Photos that are missing or above the size limit of `fields` are
// refused before any request. Prints one line per photo to standard output
// in the order given.
CutoutOutcome RunCutouts(const QStringList& photos, const QString& outputFolder,
                         std::shared_ptr<matting::ServiceFields> fields,
                         matting::MattingWorkerSettings settings);

// outputFolder/<base>.png, with "-2", "-3", ... added when an earlier photo of
// the run already took the name.
QString OutputPathFor(const QString& photo, const QString& outputFolder, QStringList& taken);

}  // namespace quillora::cutout
