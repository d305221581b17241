// A program that does nothing; the tests read the version information that
// the build gave it (or did not).
int main() { return 0; }
