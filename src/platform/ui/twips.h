#pragma once

namespace vlm {

// Twips to pixels at the given dots per inch, rounded to the nearest pixel.
int twipsToPixels(int twips, double dotsPerInch);

// The dots per inch the window's twips are converted with.
double screenDpi();

} // namespace vlm
