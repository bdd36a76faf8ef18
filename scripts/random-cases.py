"""Random design cases for velm-calc, one JSON object per line: log-uniform flows and properties
over the range of gas-liquid duties, every packing of data/packings.csv, both flooding methods,
every acceleration, both calculation bases. Usage: random-cases.py COUNT SEED"""
import csv
import json
import os
import random
import sys
random.seed(int(sys.argv[2]) if len(sys.argv) > 2 else 1)
rows = []
with open(os.path.join(os.path.dirname(__file__), '..', 'data', 'packings.csv'), encoding='utf-8') as f:
    r = csv.reader(f); next(r)
    for row in r:
        if row and row[0].strip(): rows.append(row[:15])
n = int(sys.argv[1])
for i in range(n):
    def lg(a, b): return 10 ** random.uniform(a, b)
    inputs = {
        "LiquidFlow": lg(-2, 2), "GasFlow": lg(-2, 1.5),
        "LiquidDensity": random.uniform(500, 1500), "GasDensity": lg(-1.5, 1.3),
        "LiquidViscosity": lg(-4, -1.5), "GasViscosity": lg(-5.3, -4.5),
        "SurfaceTension": lg(-2, -1), "LiquidDiffusivity": lg(-9.5, -8.5),
        "GasDiffusivity": lg(-6, -4.5), "Lambda": random.uniform(0.3, 2),
        "FloodMethod": random.randint(0, 1), "AccelMethod": random.randint(0, 3),
        "LegacyMethods": random.random() < 0.5,
        "FloodPercent": str(random.choice([50, 60, 70, 75, 80, 85])),
        "FoamingFactor": random.choice(["0.5", "0.8", "1.0"]),
    }
    print(json.dumps({"inputs": inputs, "packing": random.choice(rows)}, ensure_ascii=False))
