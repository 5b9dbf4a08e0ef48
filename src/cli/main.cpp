#include <cstdio>

int main() {
  std::puts("scorestat-cli");
  return 0;
}
