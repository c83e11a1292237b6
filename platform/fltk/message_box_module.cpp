// The entry points of velmora_message_box.so, the module that holds the toolkit's message box for
// a program that needs the toolkit for nothing else. Its loader (message_box_loader.cpp) opens it
// when the first box is shown, checks its version, and calls the box.
#include "platform/fltk/message_box_module.h"

extern "C" {

const char velmora_message_box_version[] = VELMORA_MESSAGE_BOX_MODULE_VERSION;

__attribute__((visibility("default"))) void velmora_show_message_box(const char* title,
                                                                     const char* text) {
    platform::message_box::ShowWithToolkit(title, text);
}

}  // extern "C"
