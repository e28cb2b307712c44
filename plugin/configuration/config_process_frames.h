// The template of the configuration's stand-in frame, registered when the library loads.
#pragma once

void registerConfigurationFrames();
