#pragma once

namespace quillora {

// Makes ShowMessage and PresentMessage show the real message dialog. A
// request from another thread is shown on the UI thread while the asking
// thread waits for the answer.
void InstallDialogMessagePresenter();

}  // namespace quillora
