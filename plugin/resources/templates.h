// The plug-in's dialog templates (sizes and control positions in dialog units), registered with the
// platform when the library loads.
#pragma once

void registerPluginTemplates();
void registerProcessTemplates();
void registerToolTemplates();
void registerEditorTemplates();
void registerSettingsTemplates();
void registerFeatureTemplates();
void registerTableDialogTemplates();
// The bitmaps of the process tree's images, in image-list order.
extern const int kProcessTreeBitmaps[12];
// The bitmaps of the tools view's images, 25 x 16 each, in image-list order: operation, tool, made, made
// and stored, made and changed, made, stored and changed, not found.
extern const int kToolsViewBitmaps[7];
