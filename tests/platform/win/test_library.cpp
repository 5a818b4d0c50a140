// A library with one export, for the loader's tests.
extern "C" __attribute__((visibility("default"))) int TestLibraryAnswer() {
    return 42;
}
