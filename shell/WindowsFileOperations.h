#pragma once

// On Windows, makes the exports create their files with the system's exclusive
// creation and put them in place with its replacing rename (the C runtime can
// do neither). Does nothing elsewhere, where the standard library's serve.
void UseSystemFileOperations();
