extern "C" {
__attribute__((visibility("default"))) int m_version() { return 1300; }
__attribute__((visibility("default"))) int m_enter() { return 0; }
__attribute__((visibility("default"))) int m_main() { return 0; }
__attribute__((visibility("default"))) int m_notify(int) { return 0; }
}
