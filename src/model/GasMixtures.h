#pragma once
// The gas and mixture model in one include: the gas item, its dictionary, the catalogue and the
// mixture reports.

#include "model/GasCatalogue.h"
#include "model/GasItem.h"
#include "model/GasItemDictionary.h"
#include "model/GasItems.h"
#include "model/MixtureReport.h"
