// Access to the embedded sound, read from the resources at first use.
#include "media/media.h"

#include "platform/win32/resources.h"

const Bytes& sign_in_sound() {
    static const Bytes sound = resource_bytes("SIGN_IN_SOUND");
    return sound;
}
