// SPDX-License-Identifier: GPL-2.0-or-later
// A library with one export, for the loader's tests.
extern "C" __attribute__((visibility("default"))) int TestLibraryAnswer() {
    return 42;
}
