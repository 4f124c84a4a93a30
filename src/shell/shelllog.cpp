#include "shell/shelllog.h"

Q_LOGGING_CATEGORY(lcShell, "kestrin.shell", QtInfoMsg)
