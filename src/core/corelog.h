#pragma once

#include <QLoggingCategory>

// The core's log categories. Turn them on with QT_LOGGING_RULES="kestrin.*=true".
Q_DECLARE_LOGGING_CATEGORY(lcCore)     // kestrin.core: program folder, file helpers
Q_DECLARE_LOGGING_CATEGORY(lcLists)    // kestrin.lists: result lists, their files, list files
Q_DECLARE_LOGGING_CATEGORY(lcSettings) // kestrin.settings: the settings stores and their users
