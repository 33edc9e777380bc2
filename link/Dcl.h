#pragma once
// The link unit: frames, command catalogue and polling cycle, with the store they fill.
#include "base/BytePort.h"
#include "Commands.h"
#include "protocol/Cp1252.h"
#include "base/Exception.h"
#include "protocol/FrameFormat.h"
#include "Frames.h"
#include "store/PlantStore.h"
#include "Polling.h"
