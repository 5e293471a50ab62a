# Writes the cube files of this folder with ASE (python3-ase), an independent writer of the
# format. Values are small integers so the text holds them exactly:
# value(i, j, k) = i + 10 j + 100 k - 123 on an nx x ny x nz grid.
import numpy as np
from ase.build import molecule
from ase.io.cube import write_cube

atoms = molecule("H2O")
atoms.set_cell([4.0, 5.0, 6.0])
atoms.center()
n = (3, 4, 5)
i, j, k = np.meshgrid(*(np.arange(m) for m in n), indexing="ij")
data = (i + 10 * j + 100 * k - 123).astype(float)
with open("water_3x4x5.cube", "w") as f:
    write_cube(f, atoms, data, comment="three by four by five")
with open("negative_2x2x2.cube", "w") as f:
    write_cube(f, atoms, -1.0 - data[:2, :2, :2] ** 2 / 100.0)
