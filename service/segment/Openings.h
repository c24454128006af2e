#pragma once

#include <opencv2/core/mat.hpp>

namespace quillora::service {

// Openings in an object that show the busy background behind it (a ring's
// middle, a frame's windows, a mug's handle). A salient-object network sees
// one object and tends to fill them, sure of itself; the background seen
// through an opening has the colours of the background around the object, so
// GrabCut started from the network's matte, with nothing inside the object
// marked sure, gives them back to the background.
//
// Returns `coarse` (8-bit, 255 subject, at any size with the photo's aspect
// ratio) with the openings found set to 0, or `coarse` itself when none is
// found. Only pieces of background enclosed by the object count, neither a
// speck nor most of the object. Around a plain backdrop nothing is opened: a
// white label on a white backdrop has the backdrop's colour too, and the
// product would get a hole.
cv::Mat OpenEnclosedBackground(const cv::Mat& photoBgr, const cv::Mat& coarse);

// Whether the background right around a subject (a band outside `subject`,
// 8-bit, at the size of `bgr`) is busy: its colours spread over more than a
// plain backdrop's light fall-off and noise.
bool BusySurroundings(const cv::Mat& bgr, const cv::Mat& subject);

// Whether the picture's own edges (a band 4 % of its short side wide) show
// one even colour, as a studio backdrop does: by the same measure, a spread
// well under what any photograph's edges show, blurred ones included.
// Where `subject` (8-bit matte at any size with the picture's aspect ratio,
// optional) runs off the picture, its pixels are left out of the band; when
// less than half the band is left, the edges do not count as plain.
bool PlainBorder(const cv::Mat& bgr, const cv::Mat& subject = cv::Mat());

}  // namespace quillora::service
