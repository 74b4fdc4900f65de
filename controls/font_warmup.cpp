#include "controls/font_warmup.h"

#ifdef HRZ_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

void WarmFontConfiguration() {
#ifdef HRZ_HAVE_FONTCONFIG
    // Thread-safe: the window thread's own call later finds it loaded.
    FcInit();
#endif
}
