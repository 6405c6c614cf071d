// Placeholder entry point; replaced by the real frame loop.
int main() { return 0; }
