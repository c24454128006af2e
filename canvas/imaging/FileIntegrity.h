#pragma once

#include <QByteArray>

#include <cstdint>

namespace quillora::imaging {

// Some decoders fill in what a cut-off file lacks and report success (the
// JPEG decoder paints the missing part grey, the BMP decoder leaves it
// blank, the GIF decoder returns the frame it was drawing). These checks
// look at a file's structure for the formats whose decoders do that.

// wholeFrames() for a format it does not examine: the decoder decides.
inline constexpr int kUnchecked = -1;

enum class Examination {
    None,        // the decoder decides alone
    HeaderOnly,  // the first kHeaderBytes and the file size suffice
    WholeFile,
};
inline constexpr int64_t kHeaderBytes = 64;

// What wholeFrames() needs of a file of this format (the reader's lower-case
// format name: "jpeg", "gif", ...).
Examination examinationFor(const QByteArray& format);

// How many frames, from the first, the file holds in full: 0 or 1 for JPEG
// and BMP, the count of complete images for GIF, kUnchecked for other
// formats. data holds the start of the file (available bytes, as
// examinationFor() asks); fileSize is the whole file's.
int wholeFrames(const QByteArray& format, const uint8_t* data, int64_t available, int64_t fileSize);

// A JPEG stream is complete when walking its segments and entropy-coded
// data from the start reaches the end-of-image marker inside the file.
bool jpegLooksComplete(const uint8_t* data, int64_t size);

// The number of images whose data ends inside the file.
int gifWholeImages(const uint8_t* data, int64_t size);

// An uncompressed BMP is complete when the file holds every pixel row its
// header announces.
bool bmpLooksComplete(const uint8_t* header, int64_t available, int64_t fileSize);

}  // namespace quillora::imaging
