// Placeholder entry point; the driver fills this in.
int main() { return 0; }
