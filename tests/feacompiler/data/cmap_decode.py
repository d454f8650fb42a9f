# Decodes one cmap subtable (hex on the command line) with fontTools and prints its format
# and "code:gid" for every mapping in code order.
import sys

try:
    from fontTools.ttLib import TTFont
    from fontTools.ttLib.tables._c_m_a_p import table__c_m_a_p
except ImportError:
    sys.exit(77)

sub = bytes.fromhex(sys.argv[1])
platform, encoding = int(sys.argv[2]), int(sys.argv[3])
head = (0).to_bytes(2, "big") + (1).to_bytes(2, "big")
head += platform.to_bytes(2, "big") + encoding.to_bytes(2, "big") + (12).to_bytes(4, "big")
font = TTFont()
font.setGlyphOrder(["g%d" % i for i in range(1000)])
table = table__c_m_a_p()
table.decompile(head + sub, font)
st = table.tables[0]
print("format", st.format, "language", st.language)
print(" ".join("%x:%s" % (c, g[1:]) for c, g in sorted(st.cmap.items())))
