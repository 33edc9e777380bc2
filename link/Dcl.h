#pragma once
// The link unit: plant data store, frames, command catalogue and polling cycle.
#include "base/BytePort.h"
#include "Commands.h"
#include "protocol/Cp1252.h"
#include "base/Exception.h"
#include "protocol/FrameFormat.h"
#include "Frames.h"
#include "PlantStore.h"
#include "Polling.h"
