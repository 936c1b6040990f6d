// Placeholder so the simulator library has a source until its core lands.
namespace sim {
int Placeholder() {
  return 0;
}
}  // namespace sim
