// The operation editor (18015): a tab control over the pages of the editor, laid one over another in the
// same place (the general page; the circle-mill and contour page, whose two kinds share its place too; the
// helix-bore page; the thread-mill page), OK and Cancel below. The editor shows one page at a time. Its small
// dialogs follow: the cut calculation's results (18075), the entry and exit (18076), the helical entry (18077).
#include "platform/ui/dialog.h"
#include "plugin/resources/template_rows.h"
#include "plugin/resources/templates.h"

namespace {

using plat::Ctl;
using plat::DlgTemplate;

// A milled kind's diameter: its group, the fixed and the associated radio, the associate button, the edit
// and the association label.
void diameterGroup(TemplateRows& l, int group, int fixed, int associated, int button, int edit, int label) {
    l.group(group, 6, 22, 124, 62);
    l.radio(fixed, 10, 32, 56, true);
    l.radio(associated, 10, 46, 10, false);
    l.rowButton(button, 22, 45, 44);
    l.edit(edit, 70, 30, 56);
    l.add(label, Ctl::Static, 70, 46, 56, 20);
}

void generalPage(TemplateRows& l) {
    l.label(4142, 10, 20, 48);
    l.combo(4058, 60, 20, 100);
    l.label(4147, 166, 20, 30);
    l.combo(4060, 198, 20, 64, 150);
    l.label(4143, 10, 36, 48);
    l.edit(4094, 60, 36, 202);
    l.group(4308, 6, 52, 258, 94);
    l.group(4144, 10, 60, 124, 82);
    l.edit(4068, 14, 70, 56);
    l.radio(4061, 14, 86, 56, true);
    l.radio(4063, 14, 98, 10, false);
    l.radio(4062, 14, 110, 110, false);
    l.rowButton(4083, 74, 70, 56);
    l.rowButton(4059, 26, 97, 44);
    l.add(4101, Ctl::Static, 74, 98, 56, 9);
    l.add(4112, Ctl::Static, 74, 110, 56, 20);
    l.rowButton(4082, 74, 126, 56).visible = false;
    l.check(4019, 138, 60, 72);
    l.rowButton(4362, 212, 59, 12);
    l.edit(4039, 226, 59, 34);
    l.check(18068, 138, 74, 72);
    l.combo(18071, 212, 72, 48);
    l.check(18069, 138, 88, 72);
    l.edit(18072, 212, 86, 48);
    l.group(4267, 138, 100, 122, 42);
    l.radio(4261, 142, 110, 60, true);
    l.radio(4262, 142, 124, 60, false);
    l.edit(4031, 204, 122, 52);
    l.group(4145, 6, 150, 124, 80);
    l.edit(4036, 10, 160, 56);
    l.add(4099, Ctl::Static, 70, 162, 56, 20);
    l.radio(4065, 10, 176, 56, true);
    l.radio(4067, 10, 190, 10, false);
    l.radio(4072, 10, 204, 116, false);
    l.rowButton(4064, 22, 189, 44);
    l.group(4146, 134, 150, 130, 118);
    l.edit(4040, 138, 160, 56);
    l.check(4098, 198, 161, 62);
    l.radio(4070, 138, 176, 56, true);
    l.radio(4071, 138, 190, 10, false);
    l.radio(4073, 138, 204, 56, false).visible = false;
    l.radio(4087, 138, 218, 56, false);
    l.rowButton(4069, 150, 189, 44);
    l.add(4100, Ctl::Static, 198, 190, 62, 20);
    l.edit(4089, 198, 216, 30);
    l.label(4096, 230, 216, 30);
    l.check(4020, 138, 236, 56);
    l.rowButton(18057, 198, 235, 12);
    l.edit(4041, 212, 235, 48);
    // Values the editor keeps in hidden edits: the entry/exit start angle, the helix bore's finish value, feed
    // and speed, and the helical entry of the circle mill (edited in their own dialogs).
    for (int id : {4044, 4077, 4081, 4084, 4090, 4091, 4093, 4097, 4102, 4103, 4104})
        l.edit(id, 6, 240, 40).visible = false;
}

void circleContourPage(TemplateRows& l) {
    diameterGroup(l, 18076, 18078, 18081, 18082, 18080, 18083);
    diameterGroup(l, 18077, 18079, 18085, 18086, 18084, 18087);
    l.group(18074, 134, 22, 130, 62);
    l.label(4310, 138, 30, 40);
    l.combo(4023, 180, 30, 80);
    l.label(4311, 138, 44, 40);
    l.combo(4024, 180, 44, 80);
    l.combo(4025, 180, 58, 80);
    l.combo(4066, 134, 88, 130, 150);
    l.group(4317, 6, 88, 124, 58);
    l.check(4029, 10, 96, 116);
    l.field(4319, 4050, 108);
    l.field(4320, 4051, 120);
    l.field(4321, 4052, 132);
    l.field(4339, 4108, 150);
    l.field(4340, 4109, 164);
    l.field(4313, 4049, 178);
    l.group(4318, 134, 104, 130, 92);
    l.check(4028, 138, 112, 120);
    l.group(4322, 138, 124, 60, 38);
    l.field(4325, 4053, 132, 142, 26, 24);
    l.field(4326, 4054, 146, 142, 26, 24);
    l.group(4323, 202, 124, 60, 38);
    l.field(4327, 4055, 132, 206, 26, 24);
    l.field(4328, 4056, 146, 206, 26, 24);
    l.group(4324, 138, 164, 122, 26);
    l.radio(4314, 142, 174, 56, true);
    l.radio(4315, 200, 174, 56, false);
    l.group(4316, 6, 196, 124, 66);
    l.check(4035, 10, 204, 116);
    l.field(4330, 4092, 216, 10, 40, 36);
    l.field(4331, 4088, 230, 10, 40, 36);
    l.check(4114, 10, 246, 60);
    l.rowButton(18041, 72, 245, 54);
    l.rowButton(18042, 134, 200, 60);
    l.group(4380, 6, 196, 124, 72);
    l.check(4037, 10, 204, 60);
    l.field(4381, 4107, 202, 72, 24, 28);
    l.check(4116, 10, 220, 50);
    l.edit(4105, 62, 218, 24);
    l.label(4346, 88, 218, 8);
    l.edit(4106, 98, 218, 28);
    l.check(4117, 10, 236, 50);
    l.edit(4110, 62, 234, 24);
    l.label(4347, 88, 234, 8);
    l.edit(4111, 98, 234, 28);
    l.button(4344, 134, 216, 70);
    l.check(18073, 134, 236, 130);
}

void helixBorePage(TemplateRows& l) {
    diameterGroup(l, 18088, 18089, 18091, 18092, 18090, 18093);
    l.group(18094, 134, 22, 130, 62);
    l.label(4345, 138, 30, 40);
    l.combo(4026, 180, 30, 80);
    l.label(4348, 138, 44, 40);
    l.combo(4027, 180, 44, 80);
    l.label(18095, 138, 58, 40);
    l.combo(4030, 180, 58, 80);
    l.field(4350, 4113, 88);
    l.field(4351, 4115, 102);
    l.field(4349, 4057, 116);
    l.rowButton(18043, 134, 88, 60);
    l.group(4352, 6, 134, 124, 74);
    l.field(4353, 4074, 144);
    l.field(4354, 4075, 158);
    l.field(4355, 4076, 172);
    l.field(4356, 4078, 186, 10, 70, 32);
    l.label(18125, 116, 186, 10);
    l.group(4383, 134, 104, 130, 104);
    l.check(4038, 138, 112, 120);
    l.field(4357, 4079, 126, 138);
    l.field(4358, 4080, 140, 138);
    l.field(4359, 4086, 154, 138, 70, 32);
    l.label(18127, 244, 154, 10);
    l.field(4360, 4085, 168, 138, 70, 32);
    l.label(18126, 244, 168, 10);
    l.check(18128, 6, 214, 124);
    l.field(18129, 4118, 226);
}

void threadMillPage(TemplateRows& l) {
    diameterGroup(l, 18096, 18097, 18099, 18100, 18098, 18101);
    const int pairs[3][2] = {{18141, 18142}, {18143, 18144}, {18145, 18146}};
    for (int i = 0; i < 3; ++i) {
        l.radio(pairs[i][0], 134, 24 + 12 * i, 60, true);
        l.radio(pairs[i][1], 196, 24 + 12 * i, 60, false);
    }
    l.add(18147, Ctl::Static, 134, 62, 130, 9);
    const int fields[6][2] = {{18130, 4119}, {18131, 4120}, {18132, 4121}, {18133, 4122}, {18134, 4123}, {18135, 4124}};
    for (int i = 0; i < 6; ++i) l.field(fields[i][0], fields[i][1], 90 + 14 * i);
    l.label(4361, 134, 74, 40);
    l.combo(4032, 176, 74, 84);
    const int checks[] = {18136, 18137, 18138, 18139, 18140};
    for (int i = 0; i < 5; ++i) l.check(checks[i], 134, 90 + 12 * i, 126);
    l.field(18148, 4125, 150, 144, 50, 64);
    l.group(4384, 6, 176, 124, 92);
    l.check(18149, 10, 184, 116);
    const int passes[5][2] = {{18150, 4128}, {18151, 4129}, {18152, 4131}, {18153, 4130}, {18154, 4132}};
    for (int i = 0; i < 5; ++i) l.field(passes[i][0], passes[i][1], 196 + 14 * i);
    l.check(18155, 134, 168, 84);
    l.edit(4126, 220, 166, 40);
    l.check(18156, 134, 182, 84);
    l.edit(4127, 220, 180, 40);
    l.field(18157, 4133, 196, 134, 70, 54);
    l.field(18158, 4134, 210, 134, 70, 54);
}

// 270 x 300 units: the tab control over the pages, the buttons below it.
DlgTemplate operationEditorTemplate() {
    DlgTemplate t{18015, "", 270, 300, {}, false};
    TemplateRows l(t, TemplateRows::EveryControl);
    l.add(19205, Ctl::Tab, 4, 4, 262, 272);
    generalPage(l);
    circleContourPage(l);
    helixBorePage(l);
    threadMillPage(l);
    l.ok(60, 282, 60, "");
    l.button(4095, 125, 282, 60).visible = false;
    l.button(plat::IDCANCEL, 150, 282, 60);
    return t;
}

// 260 x 150 units: the start data above the proposal, Accept and Discard below.
DlgTemplate calcResultsTemplate() {
    DlgTemplate t{18075, "", 260, 150, {}, false};
    TemplateRows l(t, TemplateRows::EveryControl);
    l.group(18076, 6, 4, 248, 46);
    l.add(18077, Ctl::Static, 12, 14, 236, 32);
    l.group(18078, 6, 54, 248, 66);
    l.add(18079, Ctl::Static, 12, 64, 236, 52);
    l.okCancel(60, 128, 64, 8, "", "");
    return t;
}

// 180 x 96 units: the start angle and the arc sweep, the two switches, OK and Cancel.
DlgTemplate entryExitTemplate() {
    DlgTemplate t{18076, "", 180, 96, {}, false};
    TemplateRows l(t, TemplateRows::EveryControl);
    l.field(4312, 4044, 8, 8, 100, 56);
    l.field(4313, 4045, 24, 8, 100, 56);
    l.check(18074, 8, 42, 160);
    l.check(18075, 8, 56, 160);
    l.okCancel(30, 76, 56, 8, "", "");
    return t;
}

// 200 x 150 units: each radius beside its percentage of the tool, the clearances and the plunge angle.
DlgTemplate helicalEntryTemplate() {
    DlgTemplate t{18077, "", 200, 150, {}, false};
    TemplateRows l(t, TemplateRows::EveryControl);
    const struct {
        int label, edit, y, x, labelWidth;
    } fields[] = {{4332, 4093, 8, 8, 70},  {4333, 4090, 8, 124, 22},  {4334, 4097, 24, 8, 70}, {4335, 4091, 24, 124, 22},
                  {4336, 4102, 48, 8, 70}, {4337, 4103, 64, 8, 70}, {4338, 4104, 80, 8, 70}};
    for (const auto& f : fields) l.field(f.label, f.edit, f.y, f.x, f.labelWidth, 44);
    l.okCancel(40, 128, 56, 8, "", "");
    return t;
}

}  // namespace

void registerEditorTemplates() {
    plat::registerDialog(operationEditorTemplate());
    plat::registerDialog(calcResultsTemplate());
    plat::registerDialog(entryExitTemplate());
    plat::registerDialog(helicalEntryTemplate());
}
