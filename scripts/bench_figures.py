"""Turns the native benchmarks' JSON output into "name: value unit" lines."""
import json
import pathlib
import sys

folder = pathlib.Path(sys.argv[1])
times = {}
for path in sorted(folder.glob("*.json")):
    try:
        data = json.loads(path.read_text())
    except ValueError:
        print(f"bench: {path.name} gave no result", file=sys.stderr)
        continue
    for b in data.get("benchmarks", []):
        scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[b.get("time_unit", "ns")]
        times[b["name"]] = b["real_time"] * scale  # microseconds

def show(name, value, unit):
    print(f"{name}: {value:.3g} {unit}")

if "BM_RefreshUnchanged" in times and "BM_CopyCompareFloor" in times:
    show("refresh_native_us", times["BM_RefreshUnchanged"], "us")
    show("refresh_floor_us", times["BM_CopyCompareFloor"], "us")
    show("refresh_native_ratio", times["BM_RefreshUnchanged"] / times["BM_CopyCompareFloor"], "x")
if "BM_TransitionStep" in times and "BM_TransitionCopyFloor" in times:
    show("transition_step_us", times["BM_TransitionStep"], "us")
    show("transition_step_ratio", times["BM_TransitionStep"] / times["BM_TransitionCopyFloor"], "x")
for name, us in times.items():
    # Benchmarks named after their figure print it as they are, e.g. BM_palvio_refresh_native_us.
    if name.startswith("BM_") and name.endswith("_us"):
        show(name[3:], us, "us")
    if name.startswith("BM_") and name.endswith("_ms"):
        show(name[3:], us / 1000, "ms")
