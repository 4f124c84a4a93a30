#include "harvest/harvestlog.h"

Q_LOGGING_CATEGORY(lcHarvest, "kestrin.harvest", QtInfoMsg)
