// Nothing to run: the layer checks are programs only so that the linker resolves
// every symbol of one layer against the layers below it.
int main() { return 0; }
