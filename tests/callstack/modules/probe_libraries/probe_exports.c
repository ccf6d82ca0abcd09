/* The code of the probe libraries: a few exported functions with known names
   and enough body that an address inside them is not their first byte. */

__attribute__((noinline)) int ProbeSum(int count) {
  int sum = 0;
  for (int i = 0; i < count; ++i) sum += i * count;
  return sum;
}

__attribute__((noinline)) int ProbeScale(int value, int factor) {
  int result = value;
  for (int i = 1; i < factor; ++i) result += value;
  return result;
}
