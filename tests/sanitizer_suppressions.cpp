// Leaks inside system libraries that the tests cannot free, read by the leak
// checker of sanitizer builds (unused otherwise): the font cache, the JACK
// client ring buffers RtMidi leaves behind, and Qt's shared-pointer blocks of
// objects still alive at exit.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n"
           "leak:jack_ringbuffer_create\n"
           "leak:QtSharedPointer::ExternalRefCountData::getAndRef\n";
}
