#pragma once
// Steps through the real program's setup wizard as a user does, at the
// positions of a twin of the wizard built in the driving process (which needs
// a QApplication of its own, offscreen).
#include "tools/desktop/PlantSession.h"

// Opens "Einstellungen", goes to the meter count's page, types the count and
// confirms it with "Ok"; false when the wizard did not come up.
bool EnterMeterCountInWizard(PlantSession& session, Desktop& desktop, int count);
