// keldwick: builds an installer from a project file (placeholder).
#include <cstdio>

int main() {
  std::puts("keldwick");
  return 0;
}
