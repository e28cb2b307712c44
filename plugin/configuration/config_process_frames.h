// The templates of the configuration's and the editor's stand-in frames, registered when the library loads.
#pragma once

void registerConfigurationFrames();
