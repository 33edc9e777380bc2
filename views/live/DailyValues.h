#pragma once
// The daily values page: today's and the lifetime figures of the plant, its
// meters and the plant check, drawn on Form6 over "b6.bmp".

// Loads the picture, shows Form6 and draws the page from the plant data store.
// A picture that cannot be read raises EPictureError before anything is drawn.
void DrawDailyValues();
