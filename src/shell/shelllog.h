#pragma once

#include <QLoggingCategory>

// kestrin.shell: start-up, splash, help, about and website windows.
Q_DECLARE_LOGGING_CATEGORY(lcShell)
