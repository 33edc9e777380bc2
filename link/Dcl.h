#pragma once
// The link unit: frames, command catalogue and polling cycle, with the store they fill.
#include "Commands.h"
#include "Frames.h"
#include "Polling.h"
#include "base/BytePort.h"
#include "base/Exception.h"
#include "protocol/Cp1252.h"
#include "protocol/FrameFormat.h"
#include "store/PlantStore.h"
