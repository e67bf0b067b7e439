// The assets compiled into the program (listed in assets/manifest.txt).
#pragma once

// Makes every embedded resource and named blob known to the resource functions of platform/resources/resources.h.
// Called once at start-up, before anything looks an asset up.
void RegisterEmbeddedAssets();
