# Writes the extended xyz files of this folder with ASE: /usr/bin/python3 make_files.py
import numpy as np
from ase.build import bulk, molecule
from ase.io import write
from ase.calculators.singlepoint import SinglePointCalculator

# A tilted primitive copper cell, repeated, three frames of growing strain.
frames = []
for k in range(3):
    a = bulk("Cu", "fcc", a=3.6).repeat((2, 2, 2))
    a.set_cell(a.cell * (1 + 0.01 * k), scale_atoms=True)
    a.rattle(0.05, seed=k)
    frames.append(a)
write("copper_tilted.xyz", frames, format="extxyz")

# Forces and a per-atom charge after the positions; an orthogonal cell.
w = molecule("H2O")
w.center(vacuum=3.0)
w.set_initial_charges([-0.8, 0.4, 0.4])
w.calc = SinglePointCalculator(w, energy=-14.2, forces=np.arange(9.0).reshape(3, 3) / 10)
write("water_forces.xyz", w, format="extxyz")

# No cell: ASE writes no Lattice, so the reader keeps its default box.
write("methane_nocell.xyz", molecule("CH4"), format="extxyz")
