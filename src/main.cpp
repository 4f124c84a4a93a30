#include "shell/kestrinapp.h"

int main(int argc, char **argv) {
    return runKestrin(argc, argv);
}
