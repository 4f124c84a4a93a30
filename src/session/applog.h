#pragma once

#include <QLoggingCategory>

// kestrin.app: the search driver, the main window and its commands.
Q_DECLARE_LOGGING_CATEGORY(lcApp)
