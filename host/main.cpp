// Velmora.scr: the screensaver host. Reads its role from the command line and hands over to
// the window of that role.
int main() { return 0; }
