// The entry point of velmora_message_box.so, the module that holds the toolkit's message box for
// a program that needs the toolkit for nothing else. Its loader (message_box_loader.cpp) opens it
// when the first box is shown, so that such a program starts without loading FLTK.
#include "platform/fltk/message_box_module.h"
#include "platform/platform.h"

extern "C" {

__attribute__((visibility("default"))) void velmora_show_message_box(const char* title,
                                                                     const char* text) {
    platform::ShowMessageBox(title, text);
}

}  // extern "C"
