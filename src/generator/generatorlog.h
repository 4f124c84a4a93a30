#pragma once

#include <QLoggingCategory>

// kestrin.generator: the name generator, Appends.txt and CreatedDomains.txt.
Q_DECLARE_LOGGING_CATEGORY(lcGenerator)
