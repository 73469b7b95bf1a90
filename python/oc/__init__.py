"""Character recognition and verification in 8-bit grey images.

    alphabet = oc.Alphabet.from_folder("samples/fonts/dejavu-sans-bold")
    result = oc.arrange(image, alphabet, "BATCH 0815:A")   # image: 2-D numpy uint8 array
    for c in result.chars: print(c.name, c.status, c.score, c.position, c.angle_deg)
"""

from ._oc import *  # noqa: F401,F403
from ._oc import _time_arrange_cpp  # noqa: F401
