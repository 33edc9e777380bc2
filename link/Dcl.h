#pragma once
// The link unit: plant data store, frames, command catalogue and polling cycle.
#include "BytePort.h"
#include "Commands.h"
#include "Cp1252.h"
#include "Exception.h"
#include "FrameFormat.h"
#include "Frames.h"
#include "PlantStore.h"
#include "Polling.h"
