/* The stand-in help program: only its cursor resource matters. */
int main(void) {
  return 0;
}
