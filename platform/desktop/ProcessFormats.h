#pragma once

namespace fm::desktop {

// Conversions between numbers and text for the whole process, whatever the machine's
// regional settings say: decimal separator ".", thousands separator ",". Qt's default
// locale and the C and C++ locales all become "C" (the application object has set the
// C locale from the environment by then; this undoes it).
void setProcessFormats();

}  // namespace fm::desktop
