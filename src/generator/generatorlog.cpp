#include "generator/generatorlog.h"

Q_LOGGING_CATEGORY(lcGenerator, "kestrin.generator", QtInfoMsg)
