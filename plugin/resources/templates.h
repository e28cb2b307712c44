// The plug-in's dialog templates (sizes and control positions in dialog units), registered with the
// platform when the library loads.
#pragma once

void registerPluginTemplates();
void registerProcessTemplates();
void registerEditorTemplates();
void registerSettingsTemplates();
void registerFeatureTemplates();
// The bitmaps of the process tree's images, in image-list order.
extern const int kProcessTreeBitmaps[12];
