// A narrow number field beside its slider: wide enough for the slider's largest number in the host's fonts.
#pragma once

class QLineEdit;

namespace numberfield {

// Widens field, where its width is less, to show largest whole: text margins, frame and cursor included.
void fitNumber(QLineEdit *field, int largest);

} // namespace numberfield
