// SPDX-License-Identifier: GPL-2.0-or-later
#include "program.h"

int main(int argc, char** argv) {
    return RunProgram(argc, argv);
}
