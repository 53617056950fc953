// Entry point of velquin-installer.
#include "app/startup.h"

int main() {
    return RunInstaller();
}
